#include "engine/EncoderAvailable.h"

#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/FFLoad.h"

bool EncoderAvailable(const std::string& name)
{
    if (!FFLoader.Loaded(libAVCodec) || !av::avcodec_find_encoder_by_name)
        return false;
    return av::avcodec_find_encoder_by_name(name.c_str()) != nullptr;
}
