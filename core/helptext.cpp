#include "helptext.h"

#include "cp1251text.h"

namespace helptext {

ByteText message() {
    ByteText out;
    for (const std::string_view line : lines) {
        if (!out.isEmpty())
            out += "\r\n";
        out += cp1251text::text(line);
    }
    return out;
}

} // namespace helptext
