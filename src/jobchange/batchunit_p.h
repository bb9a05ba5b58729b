#pragma once

#include "jobchange/unitofwork.h"

// What the writer's batch writes share: an applied batch and an approved one run the same way.
namespace jobchange::batchunit {

// The batch was cancelled from its progress callback: unwinds through the rollback.
struct Cancelled {};

} // namespace jobchange::batchunit
