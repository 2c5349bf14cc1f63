// GIF89a encoding of a picture through giflib (Qt writes no GIF). A picture of 256 colours or
// fewer keeps its exact colours; any other is quantised to 256. The colour map has a power-of-two
// size, as the format requires.
#pragma once

#include <QImage>
#include <optional>
#include <string>

namespace tavrel {

// The GIF file's bytes; nullopt for an empty picture or when the encoder fails.
std::optional<std::string> encodeGif(const QImage& image);

}  // namespace tavrel
