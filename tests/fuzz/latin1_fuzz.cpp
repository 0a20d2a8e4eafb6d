// libFuzzer target over qfpack's narrowing of its UTF-8 arguments (server and documentation
// path) to the installer's ISO 8859-1, and the widening back for its reports. Narrowing must be
// exact both ways: every ISO 8859-1 text comes back from its UTF-8 form, and whatever narrows
// widens back to the very bytes given, so no second spelling (an overlong form, a stray
// continuation byte) is ever accepted. Narrow, for messages, keeps the length and writes ASCII.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "latin1.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Check;
    const std::string_view bytes = fuzz::Bytes({data, size});

    Check(qfpack::Utf8ToLatin1(qfpack::Latin1ToUtf8(bytes)) == std::string(bytes));
    if (const auto latin1 = qfpack::Utf8ToLatin1(bytes)) {
        Check(latin1->size() <= bytes.size());
        Check(qfpack::Latin1ToUtf8(*latin1) == bytes);
    }

    const fuzz::Exact exactWide(fuzz::Utf16(bytes));
    const std::u16string_view wide = exactWide.View();
    const std::string narrow = qfpack::Narrow(wide);
    Check(narrow.size() == wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i)
        Check(wide[i] < 0x80 ? narrow[i] == static_cast<char>(wide[i]) : narrow[i] == '?');
    return 0;
}
