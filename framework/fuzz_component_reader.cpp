// Feeds arbitrary bytes to the component stream reader and both text converters: every
// input must either read or raise EReadError, never crash or leak.
#include "framework/exceptions.h"
#include "framework/filer.h"
#include "framework/objtext.h"
#include "framework/sample_components.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace dvr::fw;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool registered = (testing::RegisterSampleClasses(), true);
    (void)registered;
    auto expectReadError = [](auto&& f) {
        try {
            f();
        } catch (const EReadError&) {
        }
    };
    // Root made from the stream's class.
    expectReadError([&] {
        TMemoryStream in(data, size);
        std::unique_ptr<TComponent> c(ReadComponent(in, nullptr));
    });
    // Into a component that already has children.
    expectReadError([&] {
        TMemoryStream in(data, size);
        testing::TSampleHolder holder(nullptr);
        (new testing::TSampleChild(&holder))->SetName("Child1");
        ReadComponent(in, &holder);
    });
    // Text this side writes must convert back, and again to the same text.
    {
        TMemoryStream in(data, size), text;
        bool converted = true;
        try {
            ObjectBinaryToText(in, text);
        } catch (const EReadError&) {
            converted = false;
        }
        if (converted) {
            TMemoryStream binary, text2;
            text.SetPosition(0);
            try {
                ObjectTextToBinary(text, binary);
                binary.SetPosition(0);
                ObjectBinaryToText(binary, text2);
            } catch (const EReadError&) {
                std::abort();
            }
            if (text2.Bytes() != text.Bytes()) std::abort();
        }
    }
    expectReadError([&] {
        TMemoryStream in(data, size), out;
        ObjectTextToBinary(in, out);
    });
    return 0;
}
