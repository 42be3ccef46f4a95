// libFuzzer target: a first byte choosing the load's mode (0, 1 or 2), then
// the bytes of a selection record. Any input loads, or is refused without
// changing the selection; what loads saves and loads again to the same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "imaging/core/QkStartup.h"
#include "imaging/views/BrelvixView.h"
#include "platform/backend/HeadlessBackend.h"

namespace {

struct TFuzzView {
    THeadlessDesktop Desktop;
    std::unique_ptr<TBrelvixView> View;

    TFuzzView()
    {
        LibraryStaticInit();
        View = std::make_unique<TBrelvixView>(nullptr);
        View->GetImageBitmap()->Allocate(24, 16, qk24RGB);
        View->Update();
    }
};

std::vector<uint8_t> Saved(TBrelvixView& view)
{
    TMemoryStream stream;
    view.SaveSelectionToStream(stream);
    const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
    return {bytes, bytes + stream.Size()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TFuzzView fuzz;
    if (size == 0)
        return 0;
    TBrelvixView& view = *fuzz.View;
    const std::vector<uint8_t> before = Saved(view);
    TMemoryStream input;
    input.WriteBuffer(data + 1, static_cast<int64_t>(size - 1));
    input.SetPosition(0);
    if (!view.LoadSelectionFromStream(input, data[0] % 3)) {
        if (input.Position() != 0 || Saved(view) != before)
            std::abort();
        return 0;
    }
    const std::vector<uint8_t> after = Saved(view);
    TMemoryStream again;
    again.WriteBuffer(after.data(), static_cast<int64_t>(after.size()));
    again.SetPosition(0);
    if (!view.LoadSelectionFromStream(again, 0) || Saved(view) != after)
        std::abort();
    return 0;
}
