// Translation through the table generated from the program's translation file.
#include <cstring>

#include "ui/tr.h"
#include "ui/win32_backend.h"

namespace vexilo::ui {

struct Translation {
    const char* context;
    const char* source;
    const char* text;
};
// Generated at build time, sorted by context, then source (byte order).
extern const Translation kTranslations[];
extern const std::size_t kTranslationCount;

namespace {

bool g_english = false;

int Compare(const Translation& t, const char* context, const char* source) {
    const int c = std::strcmp(t.context, context);
    return c != 0 ? c : std::strcmp(t.source, source);
}

}  // namespace

void win32::UseEnglish(bool english) {
    g_english = english;
}

std::string Tr(const char* context, const char* source) {
    if (g_english) {
        std::size_t lo = 0;
        std::size_t hi = kTranslationCount;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            const int c = Compare(kTranslations[mid], context, source);
            if (c == 0) {
                return kTranslations[mid].text;
            }
            if (c < 0) {
                lo = mid + 1;
            } else {
                hi = mid;
            }
        }
    }
    return source;
}

}  // namespace vexilo::ui
