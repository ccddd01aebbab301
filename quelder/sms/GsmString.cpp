#include "quelder/sms/GsmString.h"

#include "quelder/at/Gsm7.h"

namespace SMS {

GsmString GsmString::FromUtf8(std::string_view utf8) { return GsmString(GSM::Gsm7::FromUtf8(utf8)); }

std::string GsmString::ToUtf8() const { return GSM::Gsm7::ToUtf8(septets_); }

std::size_t GsmString::CutPoint(std::size_t start, std::size_t limit) const noexcept
{
    if (start >= septets_.size())
        return 0;
    if (septets_.size() - start <= limit)
        return septets_.size() - start;
    // Walk the pairs from the start: an escape at the limit's last place belongs with the
    // septet after it, which is beyond the limit.
    std::size_t taken = 0;
    while (taken < limit) {
        const bool escape = static_cast<unsigned char>(septets_[start + taken]) == GSM::Gsm7::kEscape;
        const std::size_t width = escape && start + taken + 1 < septets_.size() ? 2 : 1;
        if (taken + width > limit)
            break;
        taken += width;
    }
    return taken;
}

} // namespace SMS
