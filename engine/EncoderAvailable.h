#pragma once
// Whether the loaded FFmpeg offers an encoder, so that a choice which needs
// an optional encoder is offered only where it can work.

#include <string>

// True when libavcodec is loaded and has an encoder of that name; false
// before the libraries are loaded.
bool EncoderAvailable(const std::string& name);
