// libFuzzer harness of the Rich Text Format reader. Every outcome other than a
// document must be an ivra::Error; a document that was read (from an input
// of up to 1 KB) must come back unchanged through the writer and the reader.

#include "core/Error.h"
#include "core/notes/Rtf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ivra::TNoteDocument doc;
    try {
        doc = ivra::ReadRtf(text);
    } catch (const ivra::Error&) {
        return 0;
    }
    (void)ivra::NotePlainText(doc);
    // The round trip through the writer on the smaller inputs only: they
    // reach the writer's paths as well, and the harness keeps its pace.
    if (size > 1024) return 0;
    const ivra::TNoteDocument back = ivra::ReadRtf(ivra::WriteRtf(doc));
    if (back.paragraphs != doc.paragraphs) std::abort();
    return 0;
}
