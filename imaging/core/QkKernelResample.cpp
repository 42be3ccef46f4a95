#include "imaging/core/QkKernelResample.h"

#include "imaging/core/QkContributors.h"
#include "imaging/core/QkPixels.h"
#include "imaging/core/QkProgressReporter.h"
#include "imaging/core/QkRowTable.h"
#include "imaging/core/QkSystem.h"
#include "imaging/core/QkThreadPool.h"
#include "imaging/core/QkWorkBitmap.h"

#include <algorithm>
#include <memory>

namespace {

enum class TSourceKind { RGB, Gray, Mono };

// What the row pass shares; the workers only read it. Each worker writes
// its own rows of Buffer.
struct TResampleJob {
    int32_t Workers = 1;
    int32_t DestinationWidth = 0;
    int32_t Channels = 3;
    TSourceKind Kind = TSourceKind::RGB;
    const TContributors* Columns = nullptr;
    // For every index of the padded source row, the source column it shows.
    std::vector<int32_t> PaddedColumns;
    const TQkRowTable* SourceRows = nullptr;
    TQkWorkBitmap* Buffer = nullptr;
    double ProgressFactor = 0;
    const TQkProgressEvent* OnProgress = nullptr;
    TObject* Sender = nullptr;
};

// What the column pass shares; each worker writes its own destination rows.
struct TColumnJob {
    int32_t SourceHeight = 0;
    int32_t Channels = 3;
    // Destination bytes per buffer value: 3 when a gray buffer fills an RGB
    // destination, else 1.
    int32_t Spread = 1;
    const TContributors* Rows = nullptr;
    const TQkWorkBitmap* Buffer = nullptr;
    const TQkRowTable* DestinationRows = nullptr;
};

uint8_t DivideAndClamp(int32_t sum, int32_t total) { return ByteClamp(sum / total); }

int32_t WeightedSum(const int16_t* weights, const int16_t* values, int32_t count)
{
    int32_t sum = 0;
    for (int32_t k = 0; k < count; ++k)
        sum += int32_t(weights[k]) * values[k];
    return sum;
}

// The source row as one plane of 16-bit values per channel, extended by the
// mirrored pixels the spans reach beyond the edges.
void FillPlanes(const TResampleJob& job, const uint8_t* row, int16_t* planes)
{
    const int32_t length = static_cast<int32_t>(job.PaddedColumns.size());
    const int32_t* columns = job.PaddedColumns.data();
    switch (job.Kind) {
    case TSourceKind::RGB:
        for (int32_t p = 0; p < length; ++p) {
            const uint8_t* pixel = row + 3 * columns[p];
            planes[p] = pixel[0];
            planes[length + p] = pixel[1];
            planes[2 * length + p] = pixel[2];
        }
        break;
    case TSourceKind::Gray:
        for (int32_t p = 0; p < length; ++p)
            planes[p] = row[columns[p]];
        break;
    case TSourceKind::Mono:
        for (int32_t p = 0; p < length; ++p)
            planes[p] = GetBit(row, columns[p]) ? 255 : 0;
        break;
    }
}

void ResampleRow(const TResampleJob& job, int32_t y, std::vector<int16_t>& planes)
{
    FillPlanes(job, (*job.SourceRows)[y], planes.data());
    const int32_t length = static_cast<int32_t>(job.PaddedColumns.size());
    const TContributors& columns = *job.Columns;
    uint8_t* out = job.Buffer->GetScanline(y);
    for (int32_t i = 0; i < job.DestinationWidth; ++i) {
        const TContributor& item = columns.Items[i];
        const int16_t* weights = columns.Weights.data() + item.Offset;
        const int16_t* values = planes.data() + item.First + columns.PadBefore;
        for (int32_t c = 0; c < job.Channels; ++c)
            *out++ = DivideAndClamp(WeightedSum(weights, values + c * length, item.Count), item.Total);
    }
}

void ResampleRows(const TResampleJob& job, const TRowSpan& span, int32_t index)
{
    std::vector<int16_t> planes(job.PaddedColumns.size() * job.Channels);
    TQkProgressReporter progress(job.Sender, index == 0 ? job.OnProgress : nullptr);
    for (int32_t r = 0; r < span.Count; ++r) {
        ResampleRow(job, span.First + r, planes);
        progress.Report((static_cast<double>(r) * job.Workers + 1) * job.ProgressFactor);
    }
}

void ResampleColumnsOfRow(const TColumnJob& job, int32_t k, std::vector<int32_t>& sums)
{
    const TContributor& item = job.Rows->Items[k];
    const int16_t* weights = job.Rows->Weights.data() + item.Offset;
    const int32_t count = static_cast<int32_t>(sums.size());
    std::fill(sums.begin(), sums.end(), 0);
    int32_t* sum = sums.data();
    for (int32_t m = 0; m < item.Count; ++m) {
        const int32_t weight = weights[m];
        if (weight == 0)
            continue;
        const uint8_t* from = job.Buffer->GetScanline(MirrorSourceIndex(item.First + m, job.SourceHeight));
        for (int32_t x = 0; x < count; ++x)
            sum[x] += weight * from[x];
    }
    uint8_t* out = (*job.DestinationRows)[k];
    if (job.Spread == 1) {
        for (int32_t x = 0; x < count; ++x)
            out[x] = DivideAndClamp(sum[x], item.Total);
        return;
    }
    for (int32_t x = 0; x < count; ++x) {
        const uint8_t value = DivideAndClamp(sum[x], item.Total);
        out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = value;
    }
}

void ResampleColumns(const TColumnJob& job, const TRowSpan& span)
{
    std::vector<int32_t> sums(static_cast<size_t>(job.Buffer->Width()) * job.Channels);
    for (int32_t k = span.First; k < span.First + span.Count; ++k)
        ResampleColumnsOfRow(job, k, sums);
}

class TResampleHorizThread : public TThread {
public:
    TResampleHorizThread(int32_t firstRow, int32_t index, const TResampleJob& job, int32_t rowCount)
        : FJob(job), FSpan{firstRow, rowCount}, FIndex(index)
    {}
    ~TResampleHorizThread() override { WaitFor(); }

protected:
    void Execute() override { ResampleRows(FJob, FSpan, FIndex); }

private:
    const TResampleJob& FJob;
    TRowSpan FSpan;
    int32_t FIndex;
};

class TResampleVertThread : public TThread {
public:
    TResampleVertThread(const TColumnJob& job, const TRowSpan& span) : FJob(job), FSpan(span) {}
    ~TResampleVertThread() override { WaitFor(); }

protected:
    void Execute() override { ResampleColumns(FJob, FSpan); }

private:
    const TColumnJob& FJob;
    TRowSpan FSpan;
};

std::vector<int32_t> PaddedColumnsOf(const TContributors& columns, int32_t sourceWidth)
{
    std::vector<int32_t> padded;
    padded.reserve(static_cast<size_t>(columns.PadBefore) + sourceWidth + columns.PadAfter);
    for (int32_t j = -columns.PadBefore; j < sourceWidth + columns.PadAfter; ++j)
        padded.push_back(MirrorSourceIndex(j, sourceWidth));
    return padded;
}

void RunRowPass(const TResampleJob& job)
{
    const std::vector<TRowSpan> spans = SplitRows(job.Buffer->Height(), job.Workers);
    if (job.Workers == 1) {
        ResampleRows(job, spans[0], 0);
        return;
    }
    TQkThreadPool pool;
    for (int32_t index = 0; index < job.Workers; ++index)
        pool.Add(std::make_unique<TResampleHorizThread>(spans[index].First, index, job, spans[index].Count));
    pool.WaitAll();
}

// The destination rows split over the workers; the calling thread raises
// each row's progress, in order, as the worker holding it finishes.
void RunColumnPass(const TColumnJob& job, int32_t workers, TQkProgressReporter& progress, double factor)
{
    const int32_t height = job.DestinationRows->Count();
    const std::vector<TRowSpan> spans = SplitRows(height, workers);
    std::vector<std::unique_ptr<TResampleVertThread>> threads;
    for (int32_t index = 1; index < workers; ++index) {
        threads.push_back(std::make_unique<TResampleVertThread>(job, spans[index]));
        threads.back()->Start();
    }
    for (int32_t index = 0; index < workers; ++index) {
        if (index == 0)
            ResampleColumns(job, spans[0]);
        else
            threads[index - 1]->WaitFor();
        for (int32_t k = spans[index].First; k < spans[index].First + spans[index].Count; ++k)
            progress.Report((job.SourceHeight + k + 1) * factor);
    }
}

void ResampleTwoPass(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter, TSourceKind kind,
                     int32_t workers, TObject* sender, const TQkProgressEvent* onProgress)
{
    const int32_t sourceWidth = source.GetWidth();
    const int32_t sourceHeight = source.GetHeight();
    const int32_t width = destination.GetWidth();
    const int32_t height = destination.GetHeight();
    if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0)
        return;
    const TResampleKernel& kernel = ResampleKernelOf(filter);
    const int32_t channels = kind == TSourceKind::RGB ? 3 : 1;
    TQkWorkBitmap buffer(width, 8 * channels, sourceHeight);
    if (!buffer.Block())
        return;
    const double factor = 100 / (sourceHeight + height + 0.5);
    {
        const TContributors columns = BuildContributors(sourceWidth, width, kernel);
        const TQkRowTable sourceRows(source, qkaRead);
        TResampleJob job;
        job.Workers = workers;
        job.DestinationWidth = width;
        job.Channels = channels;
        job.Kind = kind;
        job.Columns = &columns;
        job.PaddedColumns = PaddedColumnsOf(columns, sourceWidth);
        job.SourceRows = &sourceRows;
        job.Buffer = &buffer;
        job.ProgressFactor = factor;
        job.OnProgress = onProgress;
        job.Sender = sender;
        RunRowPass(job);
    }
    const TContributors rows = BuildContributors(sourceHeight, height, kernel);
    const TQkRowTable destinationRows(destination, qkaWrite);
    TColumnJob job;
    job.SourceHeight = sourceHeight;
    job.Channels = channels;
    job.Spread = QkBytesPerPixel(destination.GetPixelFormat()) / channels;
    job.Rows = &rows;
    job.Buffer = &buffer;
    job.DestinationRows = &destinationRows;
    TQkProgressReporter progress(sender, onProgress);
    RunColumnPass(job, workers, progress, factor);
}

} // namespace

std::vector<TRowSpan> SplitRows(int32_t rows, int32_t workers)
{
    workers = std::max(workers, 1);
    const int32_t share = rows / workers;
    std::vector<TRowSpan> spans(workers);
    for (int32_t index = 0; index < workers; ++index)
        spans[index] = {index * share, index + 1 < workers ? share : rows - (workers - 1) * share};
    return spans;
}

int32_t ResampleWorkerCount(const TQkBitmap& source)
{
    return source.Location() == qkFile ? 1 : GetProcessorCoreCount();
}

void ResampleKernelRGB(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter, TObject* sender,
                       const TQkProgressEvent& onProgress)
{
    if (source.GetPixelFormat() != qk24RGB || destination.GetPixelFormat() != qk24RGB)
        return;
    ResampleTwoPass(source, destination, filter, TSourceKind::RGB, ResampleWorkerCount(source), sender, &onProgress);
}

void ResampleKernelGray(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter)
{
    if (QkBytesPerPixel(source.GetPixelFormat()) != 1 || QkBytesPerPixel(destination.GetPixelFormat()) != 1)
        return;
    ResampleTwoPass(source, destination, filter, TSourceKind::Gray, 1, nullptr, nullptr);
}

void ResampleKernelMono(TQkBitmap& source, TQkBitmap& destination, TResampleFilter filter)
{
    if (source.GetPixelFormat() != qk1g || destination.GetPixelFormat() != qk24RGB)
        return;
    ResampleTwoPass(source, destination, filter, TSourceKind::Mono, 1, nullptr, nullptr);
}
