#include "sim/cardsim/FinalResult.h"

namespace Cardsim {

std::string resultText(const FinalResult& result, int errorReporting)
{
    switch (result.kind) {
    case FinalResult::Kind::ok: return "OK";
    case FinalResult::Kind::error: return "ERROR";
    case FinalResult::Kind::cmeError:
        return errorReporting == kCmeeNumeric ? "+CME ERROR: " + std::to_string(result.code) : "ERROR";
    case FinalResult::Kind::cmsError: return "+CMS ERROR: " + std::to_string(result.code);
    }
    return "ERROR";
}

} // namespace Cardsim
