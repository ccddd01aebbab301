#include "quelder/QuelderTesting.h"

#include "nodekin/NodekinTesting.h"
#include "quelder/Backend.h"

#include <memory>

namespace Quelder::testing {

int initializeWith(Nodekin::DetectionEnvironment environment, QdEventCallback eventCallback,
                   QdErrorCallback errorCallback, std::unique_ptr<Os::DeviceTree> removalTree)
{
    auto held = std::make_shared<Nodekin::DetectionEnvironment>(std::move(environment));
    return GSM::Backend::Instance().Initialize(
        nullptr, eventCallback, errorCallback,
        [held](void*) { return Nodekin::testing::initializeWith(std::move(*held)); }, std::move(removalTree));
}

} // namespace Quelder::testing
