// The filter graphs of a run: buffer sources fed by the decoders, the
// description of the output stream, and the conversions and sinks its
// encoder needs.

#include "engine/AVFilterStubs.h"
#include "engine/AVUtilStubs.h"
#include "engine/TranscodeUtils.h"
#include "engine/Transcoder.h"
#include "platform/core/Strings.h"

namespace {

std::string DictionaryText(const AVDictionary* Dictionary) {
  std::string text;
  const AVDictionaryEntry* entry = nullptr;
  while ((entry = av::av_dict_get(Dictionary, "", entry, AV_DICT_IGNORE_SUFFIX)))
    text += std::string(entry->key) + "=" + entry->value + ":";
  if (!text.empty()) text.pop_back();
  return text.substr(0, 511);
}

// The pad's filter, and the pad's name when that filter has several pads on that side.
char* PadDescription(const AVFilterInOut* Pad, bool Input) {
  const AVFilterContext* filter = Pad->filter_ctx;
  std::string text = filter->filter->name;
  const unsigned pads = Input ? filter->nb_inputs : filter->nb_outputs;
  if (pads > 1)
    text += std::string(":") + av::avfilter_pad_get_name(Input ? filter->input_pads : filter->output_pads,
                                                         Pad->pad_idx);
  return av::av_strdup(text.c_str());
}

AVMediaType PadType(const AVFilterInOut* Pad, bool Input) {
  const AVFilterContext* filter = Pad->filter_ctx;
  return av::avfilter_pad_get_type(Input ? filter->input_pads : filter->output_pads, Pad->pad_idx);
}

// Creates a filter and links it after Last; Last becomes the new filter.
int32_t Append(AVFilterGraph* Graph, AVFilterContext*& Last, int LastPad, const char* FilterName,
               const std::string& Name, const std::string& Args) {
  AVFilterContext* filter = nullptr;
  int32_t result = av::avfilter_graph_create_filter(&filter, av::avfilter_get_by_name(FilterName), Name.c_str(),
                                                    Args.empty() ? nullptr : Args.c_str(), nullptr, Graph);
  if (result < 0) return result;
  result = av::avfilter_link(Last, LastPad, filter, 0);
  if (result < 0) return result;
  Last = filter;
  return 0;
}

// A list of formats, rates or layouts as one filter argument: items joined by "|".
std::string ListArgument(char* List) {
  std::string text = List;
  av::av_free(List);
  for (char& c : text)
    if (c == ':' || c == ',') c = '|';
  return text;
}

std::string LayoutText(uint64_t Mask, int32_t Channels) {
  AVChannelLayout layout{};
  if (Mask) av::av_channel_layout_from_mask(&layout, Mask);
  else av::av_channel_layout_default(&layout, Channels);
  char text[128] = "";
  av::av_channel_layout_describe(&layout, text, sizeof text);
  av::av_channel_layout_uninit(&layout);
  return text;
}

}  // namespace

TFilterChain* TTranscoder::ChainOf(const TFilterGraph* Graph) const {
  const auto found = chains_.find(Graph);
  return found == chains_.end() ? nullptr : found->second.get();
}

bool TTranscoder::InputStreamInFilterGraph(const TFilterGraph* Graph, const TInputStream* Stream) const {
  for (int32_t i = 0; i < Graph->InputCount; ++i)
    if (Graph->Inputs[i]->Ist == Stream) return true;
  return false;
}

int32_t TTranscoder::ConfigureFilterGraph(TFilterGraph* Graph) {
  if (Graph->GraphDesc) {
    job_.LastErrorText = "Complex filter graphs (filter_complex) are not supported.";
    Logger()->Log(&job_, llError, job_.LastErrorText);
    return AVERROR(ENOSYS);
  }
  if (Graph->InputCount != 1 || Graph->OutputCount != 1) return AVERROR(EINVAL);
  TOutputStream* ost = Graph->Outputs[0]->Ost;
  const bool video = ost->EncCtx->codec_type == AVMEDIA_TYPE_VIDEO;
  const std::string description = ost->AvFilter && *ost->AvFilter ? ost->AvFilter : (video ? "null" : "anull");
  const std::string sws = Format("flags=0x%X", static_cast<unsigned>(ost->SwsFlags));
  const std::string swr = DictionaryText(ost->SwrOpts);

  Graph->Graph = nullptr;
  chains_.erase(Graph);
  auto chain = std::make_unique<TFilterChain>();
  const int32_t result = chain->Build(
      description, sws, swr,
      [&](AVFilterGraph* lavfi, AVFilterInOut* pad) { return LinkSource(Graph, Graph->Inputs[0], lavfi, pad); },
      [&](AVFilterGraph* lavfi, AVFilterInOut* pad) { return LinkSink(Graph, Graph->Outputs[0], lavfi, pad); });
  if (result < 0) return result;
  Graph->Graph = chain->FirstGraph();
  chains_[Graph] = std::move(chain);
  Graph->Reconfiguration = 1;
  return 0;
}

int32_t TTranscoder::LinkSource(TFilterGraph* Graph, TInputFilter* Filter, AVFilterGraph* Lavfi,
                                AVFilterInOut* Pad) {
  av::av_freep(&Filter->Name);
  Filter->Name = PadDescription(Pad, true);
  switch (PadType(Pad, true)) {
    case AVMEDIA_TYPE_VIDEO: return LinkVideoSource(Graph, Filter, Lavfi, Pad);
    case AVMEDIA_TYPE_AUDIO: return LinkAudioSource(Graph, Filter, Lavfi, Pad);
    default: Fatal("Never occur");
  }
}

int32_t TTranscoder::LinkSink(TFilterGraph*, TOutputFilter* Filter, AVFilterGraph* Lavfi, AVFilterInOut* Pad) {
  av::av_freep(&Filter->Name);
  Filter->Name = PadDescription(Pad, false);
  switch (PadType(Pad, false)) {
    case AVMEDIA_TYPE_VIDEO: return LinkVideoSink(Filter, Lavfi, Pad);
    case AVMEDIA_TYPE_AUDIO: return LinkAudioSink(Filter, Lavfi, Pad);
    default: Fatal("Never occur");
  }
}

int32_t TTranscoder::LinkVideoSource(TFilterGraph* Graph, TInputFilter* Filter, AVFilterGraph* Lavfi,
                                     AVFilterInOut* Pad) {
  TInputStream* ist = Filter->Ist;
  const bool forcedRate = ist->Framerate.num != 0;
  const AVRational timeBase = forcedRate ? av_inv_q(ist->Framerate) : ist->St->time_base;
  const AVRational rate = forcedRate ? ist->Framerate : ist->St->r_frame_rate;
  AVRational sar = ist->St->sample_aspect_ratio.num ? ist->St->sample_aspect_ratio : ist->DecCtx->sample_aspect_ratio;
  if (!sar.den) sar = {0, 1};
  std::string args = Format("video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", ist->ResampleWidth,
                            ist->ResampleHeight, ist->ResamplePixFmt, timeBase.num, timeBase.den, sar.num, sar.den);
  if (rate.num && rate.den) args += Format(":frame_rate=%d/%d", rate.num, rate.den);
  const std::string name =
      Format("graph %d input from stream %d:%d", Graph->Index, ist->FileIndex, ist->St->index);
  int32_t result = av::avfilter_graph_create_filter(&Filter->Filter, av::avfilter_get_by_name("buffer"),
                                                    name.c_str(), args.c_str(), nullptr, Lavfi);
  if (result < 0) return result;
  AVFilterContext* last = Filter->Filter;
  if (forcedRate) {
    result = Append(Lavfi, last, 0, "setpts",
                    Format("force CFR for input from stream %d:%d", ist->FileIndex, ist->St->index), "N");
    if (result < 0) return result;
  }
  return av::avfilter_link(last, 0, Pad->filter_ctx, Pad->pad_idx);
}

int32_t TTranscoder::LinkAudioSource(TFilterGraph* Graph, TInputFilter* Filter, AVFilterGraph* Lavfi,
                                     AVFilterInOut* Pad) {
  TInputStream* ist = Filter->Ist;
  const char* formatName = av::av_get_sample_fmt_name(static_cast<AVSampleFormat>(ist->ResampleSampleFmt));
  std::string args = Format("time_base=1/%d:sample_rate=%d:sample_fmt=%s", ist->ResampleSampleRate,
                            ist->ResampleSampleRate, formatName ? formatName : "none");
  args += ":channel_layout=" + LayoutText(ist->ResampleChannelLayout, ist->ResampleChannels);
  const std::string name = Format("graph %d input from stream %d:%d", Graph->Index, ist->FileIndex, ist->St->index);
  int32_t result = av::avfilter_graph_create_filter(&Filter->Filter, av::avfilter_get_by_name("abuffer"),
                                                    name.c_str(), args.c_str(), nullptr, Lavfi);
  if (result < 0) return result;
  AVFilterContext* last = Filter->Filter;
  const auto insert = [&](const char* option, const char* filterName, const std::string& filterArgs) {
    Logger()->LogFmt(&job_, llInfo, "%s is forwarded to lavfi similarly to -af %s=%s.", option, filterName,
                     filterArgs.c_str());
    return Append(Lavfi, last, 0, filterName,
                  Format("graph %d %s for input stream %d:%d", Graph->Index, filterName, ist->FileIndex,
                         ist->St->index),
                  filterArgs);
  };
  if (job_.AudioSyncMethod > 0) {
    std::string async = Format("async=%d:min_hard_comp=%f", job_.AudioSyncMethod, job_.AudioDriftThreshold);
    if (!Graph->Reconfiguration) async += ":first_pts=0";
    if ((result = insert("-async", "aresample", async)) < 0) return result;
  }
  if (job_.AudioVolume != 256) {
    av::av_log(nullptr, AV_LOG_WARNING, "-vol has been deprecated. Use the volume audio filter instead.\n");
    if ((result = insert("-vol", "volume", Format("%f", job_.AudioVolume / 256.0))) < 0) return result;
  }
  return av::avfilter_link(last, 0, Pad->filter_ctx, Pad->pad_idx);
}

int32_t TTranscoder::LinkVideoSink(TOutputFilter* Filter, AVFilterGraph* Lavfi, AVFilterInOut* Pad) {
  TOutputStream* ost = Filter->Ost;
  const std::string name = Format("output stream %d:%d", ost->FileIndex, ost->Index);
  int32_t result = av::avfilter_graph_create_filter(&Filter->Filter, av::avfilter_get_by_name("buffersink"),
                                                    name.c_str(), nullptr, nullptr, Lavfi);
  if (result < 0) return result;
  AVFilterContext* last = Pad->filter_ctx;
  int lastPad = Pad->pad_idx;
  const AVCodecContext* enc = ost->EncCtx;
  if (enc->width || enc->height) {
    result = Append(Lavfi, last, lastPad, "scale", Format("scaler for output stream %d:%d", ost->FileIndex, ost->Index),
                    Format("%d:%d:flags=0x%X", enc->width, enc->height, static_cast<unsigned>(ost->SwsFlags)));
    if (result < 0) return result;
    lastPad = 0;
  }
  if (char* formats = PixelFormatList(ost)) {
    result = Append(Lavfi, last, lastPad, "format",
                    Format("pixel format for output stream %d:%d", ost->FileIndex, ost->Index), ListArgument(formats));
    if (result < 0) return result;
    lastPad = 0;
  }
  return av::avfilter_link(last, lastPad, Filter->Filter, 0);
}

int32_t TTranscoder::LinkAudioSink(TOutputFilter* Filter, AVFilterGraph* Lavfi, AVFilterInOut* Pad) {
  TOutputStream* ost = Filter->Ost;
  const std::string name = Format("output stream %d:%d", ost->FileIndex, ost->Index);
  Filter->Filter = av::avfilter_graph_alloc_filter(Lavfi, av::avfilter_get_by_name("abuffersink"), name.c_str());
  if (!Filter->Filter) return AVERROR(ENOMEM);
  av::av_opt_set_int(Filter->Filter, "all_channel_counts", 1, AV_OPT_SEARCH_CHILDREN);
  int32_t result = av::avfilter_init_str(Filter->Filter, nullptr);
  if (result < 0) return result;
  AVFilterContext* last = Pad->filter_ctx;
  int lastPad = Pad->pad_idx;
  if (ost->AudioChannelsMapped) {
    std::string pan = LayoutText(0, ost->AudioChannelsMapped);
    for (int32_t i = 0; i < ost->AudioChannelsMapped; ++i)
      if (ost->AudioChannelsMap[i] != -1) pan += Format("|c%d=c%d", i, ost->AudioChannelsMap[i]);
    Logger()->LogFmt(&job_, llInfo, "%s is forwarded to lavfi similarly to -af %s=%s.", "-map_channel", "pan",
                     pan.c_str());
    if ((result = Append(Lavfi, last, lastPad, "pan", "pan", pan)) < 0) return result;
    lastPad = 0;
  }
  std::string lists;
  const auto add = [&](const char* key, char* list) {
    if (list) lists += Format("%s=%s:", key, ListArgument(list).c_str());
  };
  add("sample_fmts", SampleFormatList(ost));
  add("sample_rates", SampleRateList(ost));
  add("channel_layouts", ChannelLayoutList(ost));
  if (!lists.empty()) {
    lists.pop_back();
    result = Append(Lavfi, last, lastPad, "aformat",
                    Format("audio format for output stream %d:%d", ost->FileIndex, ost->Index), lists);
    if (result < 0) return result;
    lastPad = 0;
  }
  return av::avfilter_link(last, lastPad, Filter->Filter, 0);
}
