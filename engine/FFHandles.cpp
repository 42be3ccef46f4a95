// The deleters of the owning holders, calling the bound free functions.

#include "engine/FFHandles.h"

#include "engine/UnicodeProtocol.h"
#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVUtilStubs.h"

void TFrameFree::operator()(AVFrame* Frame) const { av::av_frame_free(&Frame); }

void TPacketFree::operator()(AVPacket* Packet) const { av::av_packet_free(&Packet); }

void TCodecContextFree::operator()(AVCodecContext* Context) const { av::avcodec_free_context(&Context); }

void TBitstreamFilterFree::operator()(AVBSFContext* Chain) const { av::av_bsf_free(&Chain); }

void TFilterGraphFree::operator()(AVFilterGraph* Graph) const { av::avfilter_graph_free(&Graph); }

void TDictionaryFree::operator()(AVDictionary* Dictionary) const { av::av_dict_free(&Dictionary); }

void TInputContextClose::operator()(AVFormatContext* Context) const { CloseInputFile(&Context); }

void TFileClose::operator()(FILE* File) const { std::fclose(File); }
