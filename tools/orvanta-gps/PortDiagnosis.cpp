#include "PortDiagnosis.h"

#include "platform/PortAccess.h"
#include "platform/SystemError.h"

#include <fcntl.h>
#include <unistd.h>

namespace Orvanta::gps {
namespace {

constexpr PortField kPortFields[] = {
    {"application port", &NkCardInfo::applicationPort},  {"second app port", &NkCardInfo::application2Port},
    {"diagnostics port", &NkCardInfo::diagnosticsPort},  {"GPS control port", &NkCardInfo::gpsControlPort},
    {"GPS data port", &NkCardInfo::gpsDataPort},
};

} // namespace

int checkPortAccess(const std::string& path)
{
    // AT_EACCESS: an open is judged by the effective ids, not the real ones.
    if (::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) == 0)
        return Os::kErrorSuccess;
    return Os::lastSystemError();
}

std::span<const PortField> portFields()
{
    return kPortFields;
}

std::string portPath(const char* name)
{
    const std::string text(name);
    return text.empty() || text.front() == '/' ? text : "/dev/" + text;
}

std::optional<std::string> portProblem(const std::string& path, const AccessCheck& check)
{
    const int error = check(path);
    if (error == Os::kErrorSuccess)
        return std::nullopt;
    return Os::describeOpenFailure(path, error);
}

std::vector<PortProblem> portProblems(const NkCardInfo& card, const AccessCheck& check)
{
    std::vector<PortProblem> problems;
    for (const PortField& field : kPortFields) {
        const char* name = card.*field.name;
        if (name[0] == '\0')
            continue;
        if (auto words = portProblem(portPath(name), check))
            problems.push_back({field.label, std::move(*words)});
    }
    return problems;
}

} // namespace Orvanta::gps
