#!/bin/sh
# Renders the program icon (resources/icons/org.vennlore.Orvalis.svg) into the PNG sizes the
# desktop and the program use. Run it after changing the drawing and commit the PNGs; the
# build only copies them. Needs rsvg-convert (librsvg2-bin).
set -e
cd "$(dirname "$0")/../resources/icons"
for n in 16 32 48 64 128 256; do
  mkdir -p "hicolor/${n}x${n}/apps"
  rsvg-convert -w "$n" -h "$n" org.vennlore.Orvalis.svg -o "hicolor/${n}x${n}/apps/org.vennlore.Orvalis.png"
done
