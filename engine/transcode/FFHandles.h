#pragma once
// Owning holders for the FFmpeg objects and files the job's records keep.
// FFmpeg is bound at run time, so each deleter calls the bound free function.

#include <cstdio>
#include <memory>

struct AVBSFContext;
struct AVCodecContext;
struct AVFilterGraph;
struct AVFrame;
struct AVPacket;

struct TFrameFree {
    void operator()(AVFrame* Frame) const;
};

struct TPacketFree {
    void operator()(AVPacket* Packet) const;
};

struct TCodecContextFree {
    void operator()(AVCodecContext* Context) const;
};

struct TBitstreamFilterFree {
    void operator()(AVBSFContext* Chain) const;
};

struct TFilterGraphFree {
    void operator()(AVFilterGraph* Graph) const;
};

struct TFileClose {
    void operator()(FILE* File) const;
};

using TFramePtr = std::unique_ptr<AVFrame, TFrameFree>;
using TPacketPtr = std::unique_ptr<AVPacket, TPacketFree>;
using TCodecContextPtr = std::unique_ptr<AVCodecContext, TCodecContextFree>;
using TBitstreamFilterPtr = std::unique_ptr<AVBSFContext, TBitstreamFilterFree>;
using TFilterGraphPtr = std::unique_ptr<AVFilterGraph, TFilterGraphFree>;
using TFilePtr = std::unique_ptr<FILE, TFileClose>;
