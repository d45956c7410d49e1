#pragma once
#include <string>

// A message the user must see, with the box caption the program uses for it.
struct UserMessage {
    std::string caption;
    std::string text;
};
