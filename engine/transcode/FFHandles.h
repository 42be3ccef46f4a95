#pragma once
// Owning holders for the FFmpeg objects and files the job's records keep.
// FFmpeg is bound at run time, so each deleter calls the bound free function.

#include <cstdio>
#include <memory>

struct AVBSFContext;
struct AVCodecContext;
struct AVFrame;

struct TFrameFree {
    void operator()(AVFrame* Frame) const;
};

struct TCodecContextFree {
    void operator()(AVCodecContext* Context) const;
};

struct TBitstreamFilterFree {
    void operator()(AVBSFContext* Chain) const;
};

struct TFileClose {
    void operator()(FILE* File) const;
};

using TFramePtr = std::unique_ptr<AVFrame, TFrameFree>;
using TCodecContextPtr = std::unique_ptr<AVCodecContext, TCodecContextFree>;
using TBitstreamFilterPtr = std::unique_ptr<AVBSFContext, TBitstreamFilterFree>;
using TFilePtr = std::unique_ptr<FILE, TFileClose>;
