// The KIF/KI2 reader on any bytes (as a file's content, decoded by its extension, or as clipboard
// text), then every writer over what it read. A reading error is a normal outcome.
#include "core/formats/kif_reader.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // One store for the process, as the viewer keeps one: the reader replaces what it held.
    static core::RecordStore store;
    static constexpr std::string_view kExtensions[] = {"kif", "ki2", "kifu", "ki2u"};
    const std::string_view input = fuzz::bytesOf(data, size);
    // The settings come from the size, so that a mutation of the text keeps its meaning.
    const unsigned bits = static_cast<unsigned>(size * 2654435761u >> 8);

    core::ReadOptions options;
    options.ruleCheck = (bits & 1u) == 0;
    options.autoTimeUsed = (bits & 2u) != 0;
    options.fileName = "fuzz.kif";
    options.userKeys[4] = "E-mail";
    switch ((bits >> 2) % 4u) {
        case 0:
        case 1: {
            core::DecodedText decoded =
                core::decodeRecordBytes(std::string(input), kExtensions[(bits >> 4) % 4u]);
            (void)core::readRecordLines(store, decoded.text, options);
            break;
        }
        case 2:
            (void)core::readRecordText(store, input, false, options);
            break;
        default:
            // Dalmir's registration: the smaller vocabulary, the main line only.
            options.database = true;
            options.mainLineOnly = true;
            (void)core::readRecordLines(store, input, options);
            break;
    }
    fuzz::writeEverything(store, bits);
    return 0;
}
