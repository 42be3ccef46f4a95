#pragma once
// Owning holders for the FFmpeg objects and files the job's records keep.
// FFmpeg is bound at run time, so each deleter calls the bound free function.

#include <cstdio>
#include <memory>

struct AVBSFContext;
struct AVCodecContext;
struct AVDictionary;
struct AVFilterGraph;
struct AVFormatContext;
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

struct TDictionaryFree {
    void operator()(AVDictionary* Dictionary) const;
};

// Closes an opened input with its I/O.
struct TInputContextClose {
    void operator()(AVFormatContext* Context) const;
};

// Closes an output's I/O, deleting the file when the job created it and left
// it empty, and frees the context.
struct TOutputContextClose {
    void operator()(AVFormatContext* Context) const;
};

struct TFileClose {
    void operator()(FILE* File) const;
};

using TFramePtr = std::unique_ptr<AVFrame, TFrameFree>;
using TPacketPtr = std::unique_ptr<AVPacket, TPacketFree>;
using TCodecContextPtr = std::unique_ptr<AVCodecContext, TCodecContextFree>;
using TBitstreamFilterPtr = std::unique_ptr<AVBSFContext, TBitstreamFilterFree>;
using TFilterGraphPtr = std::unique_ptr<AVFilterGraph, TFilterGraphFree>;
using TDictionaryPtr = std::unique_ptr<AVDictionary, TDictionaryFree>;
using TInputContextPtr = std::unique_ptr<AVFormatContext, TInputContextClose>;
using TOutputContextPtr = std::unique_ptr<AVFormatContext, TOutputContextClose>;
using TFilePtr = std::unique_ptr<FILE, TFileClose>;

// Lends a holder's object to an FFmpeg call that takes its address and may
// replace it (a dictionary that grows, or one swapped for the entries left
// unused), and gives the holder whatever the call left there. It lives until
// the end of the full expression, so the holder must not be read again in
// the same call.
template <typename T, typename Deleter>
class TInOut {
public:
    explicit TInOut(std::unique_ptr<T, Deleter>& Holder) : holder_(Holder), raw_(Holder.release()) {}
    TInOut(const TInOut&) = delete;
    TInOut& operator=(const TInOut&) = delete;
    ~TInOut() { holder_.reset(raw_); }

    operator T**() { return &raw_; }

private:
    std::unique_ptr<T, Deleter>& holder_;
    T* raw_;
};

template <typename T, typename Deleter>
TInOut<T, Deleter> InOut(std::unique_ptr<T, Deleter>& Holder)
{
    return TInOut<T, Deleter>(Holder);
}
