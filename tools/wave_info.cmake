# orvalis-cli's wave-info asks the sound device, which lives outside the core.
if(TARGET orvalis-cli)
  target_link_libraries(orvalis-cli PRIVATE orvalis_audio)
endif()
