// The settings parser against arbitrary bytes. Besides the sanitizers'
// findings, each input is checked against a plain re-statement of the file's
// rules, and a successful read must survive a write and a read back.

#include "model/SettingsFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

using model::StoredSettings;

// What the caller holds before the read; it must survive a failure on the
// first number.
constexpr std::int16_t kCallersKind = -12345;

constexpr std::string_view kSeparators{" \t,\r\n", 5};

std::optional<std::int16_t> expectedField(std::string_view field)
{
    bool negative = false;
    if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
        negative = field.front() == '-';
        field.remove_prefix(1);
    }
    if (field.empty() || !std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    field.remove_prefix(std::min(field.find_first_not_of('0'), field.size()));
    if (field.size() > 5) return std::nullopt;
    long value = 0;
    for (char c : field) value = value * 10 + (c - '0');
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return std::nullopt;
    return std::int16_t(value);
}

struct Outcome {
    StoredSettings settings;
    bool ok;
};

Outcome expectedOutcome(std::string_view content)
{
    Outcome out{{kCallersKind, 9, 9}, false};
    std::int16_t* const targets[] = {&out.settings.operationKind, &out.settings.objectiveSet, &out.settings.levelSet};
    int read = 0;
    while (read < 3) {
        const std::size_t begin = content.find_first_not_of(kSeparators);
        if (begin == std::string_view::npos) break;
        content.remove_prefix(begin);
        const std::size_t end = std::min(content.find_first_of(kSeparators), content.size());
        const std::optional<std::int16_t> value = expectedField(content.substr(0, end));
        if (!value) break;
        *targets[read++] = *value;
        content.remove_prefix(end);
    }
    out.ok = read == 3;
    if (!out.ok) {
        out.settings.objectiveSet = 1;
        out.settings.levelSet = 1;
    }
    return out;
}

bool same(const StoredSettings& a, const StoredSettings& b)
{
    return a.operationKind == b.operationKind && a.objectiveSet == b.objectiveSet && a.levelSet == b.levelSet;
}

[[noreturn]] void fail(const char* what, const StoredSettings& s)
{
    std::fprintf(stderr, "settings parser: %s (got %d %d %d)\n", what, s.operationKind, s.objectiveSet, s.levelSet);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto* bytes = reinterpret_cast<const char*>(data);
    StoredSettings settings{kCallersKind, 9, 9};
    const bool ok = model::parseSettings(QByteArrayView(bytes, qsizetype(size)), settings);

    const Outcome expected = expectedOutcome(std::string_view(bytes, size));
    if (ok != expected.ok || !same(settings, expected.settings))
        fail(ok ? "accepted, but not as the rules read it" : "refused, but not as the rules read it", settings);

    if (!ok) {
        if (settings.objectiveSet != 1 || settings.levelSet != 1)
            fail("a failed read left the sets other than 1", settings);
        return 0;
    }
    // What is read can be saved and read back unchanged.
    StoredSettings again{0, 0, 0};
    if (!model::parseSettings(model::formatSettings(settings), again) || !same(again, settings))
        fail("the saved line does not read back", again);
    return 0;
}
