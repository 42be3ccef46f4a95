#pragma once
// The sensor data loaders: each reads one camera family's layout from the
// context's stream into the pixel array.

#include "imaging/formats/cameraraw/RawDecodeContext.h"

void powershot600_load_raw(TRawDecodeContext& context);
void canon_packed10_load_raw(TRawDecodeContext& context);
void ljpeg_load_raw(TRawDecodeContext& context);
void nikon_compressed_load_raw(TRawDecodeContext& context);
void nikon_12bit_load_raw(TRawDecodeContext& context);
void nikon_packed12_load_raw(TRawDecodeContext& context);
void nikon_10bit_load_raw(TRawDecodeContext& context);
void fuji_s2pro_load_raw(TRawDecodeContext& context);
void fuji_s5000_load_raw(TRawDecodeContext& context);
void fuji_s7000_load_raw(TRawDecodeContext& context);
void fuji_f700_load_raw(TRawDecodeContext& context);
void rollei_load_raw(TRawDecodeContext& context);
void phase_one_load_raw(TRawDecodeContext& context);
void ixpress_load_raw(TRawDecodeContext& context);
void packed12_load_raw(TRawDecodeContext& context);
void be16_load_raw(TRawDecodeContext& context);
void be_high12_load_raw(TRawDecodeContext& context);
void be_low12_load_raw(TRawDecodeContext& context);
void be_low10_load_raw(TRawDecodeContext& context);
void le_high12_load_raw(TRawDecodeContext& context);
void olympus_interlaced_load_raw(TRawDecodeContext& context);
void eight_bit_load_raw(TRawDecodeContext& context);
void qv5700_load_raw(TRawDecodeContext& context);
void nucore_load_raw(TRawDecodeContext& context);
void kodak_jpeg_load_raw(TRawDecodeContext& context);
void kodak_dc120_load_raw(TRawDecodeContext& context);
void kodak_easy_load_raw(TRawDecodeContext& context);
void kodak_compressed_load_raw(TRawDecodeContext& context);
void kodak_yuv_load_raw(TRawDecodeContext& context);
void sony_f828_load_raw(TRawDecodeContext& context);
void foveon_load_raw(TRawDecodeContext& context);

// Canon's compressed heap data and the Kodak DC40/DC50 token code need
// decoder tables this build does not have: raises EQkFormatNotSupported
// naming the camera.
void unsupported_load_raw(TRawDecodeContext& context);

// The Kodak tone curve (identity unless the file has one), 4,096 entries.
std::vector<uint16_t> ReadKodakCurve(TRawDecodeContext& context);
