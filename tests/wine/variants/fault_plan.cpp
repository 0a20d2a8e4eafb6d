#include "fault_plan.h"

namespace faults {
namespace {

// Decimal digits, at least one, no sign, within 32 bits; nothing else.
std::optional<std::uint32_t> ParseOrdinal(std::u16string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - u'0');
        if (value > UINT32_MAX) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace

std::optional<Plan> ParsePlan(std::u16string_view text) {
    Plan plan;
    if (text == u"count") return plan;
    const std::size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos) return std::nullopt;
    const std::u16string_view mode = text.substr(0, colon);
    if (mode == u"fail") plan.mode = Mode::Fail;
    else if (mode == u"stop") plan.mode = Mode::Stop;
    else return std::nullopt;
    const std::optional<std::uint32_t> ordinal = ParseOrdinal(text.substr(colon + 1));
    if (!ordinal || *ordinal == 0) return std::nullopt;
    plan.ordinal = *ordinal;
    return plan;
}

Action ActionAt(const Plan& plan, std::uint32_t ordinal) {
    if (ordinal != plan.ordinal) return Action::Pass;
    switch (plan.mode) {
        case Mode::Count: return Action::Pass;
        case Mode::Fail: return Action::Fail;
        case Mode::Stop: return Action::Stop;
    }
    return Action::Pass;
}

}  // namespace faults
