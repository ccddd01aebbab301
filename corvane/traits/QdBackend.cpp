#include "corvane/traits/QdBackend.h"

#include <atomic>

namespace Corvane {

#define CORVANE_QD_DEFINE_CALL(name, parameters, arguments) \
    int QdBackend::name parameters { return ::name arguments; }
CORVANE_QD_BACKEND_CALLS(CORVANE_QD_DEFINE_CALL)
#undef CORVANE_QD_DEFINE_CALL

namespace {

QdBackend& realBackend() noexcept
{
    static QdBackend real;
    return real;
}

std::atomic<QdBackend*> installed{nullptr}; // a test's fake, or null for the real backend

} // namespace

QdBackend& qdBackend() noexcept
{
    QdBackend* fake = installed.load(std::memory_order_acquire);
    return fake != nullptr ? *fake : realBackend();
}

ScopedQdBackend::ScopedQdBackend(QdBackend& fake) noexcept
    : previous_(installed.exchange(&fake, std::memory_order_acq_rel))
{
}

ScopedQdBackend::~ScopedQdBackend() { installed.store(previous_, std::memory_order_release); }

} // namespace Corvane
