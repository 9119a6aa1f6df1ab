// Where the system settings lie: the SETUP page's parameters, element by element.
#pragma once

#include <cstdint>
#include <span>

#include "core/model/Q730classes.h"

namespace orb {

// The bytes of the system block that element of system parameter id lies in; empty where the
// element does not exist.
std::span<const std::uint8_t> SystemSettingBytes(const TQ730SYSF& system, int element, int id);

}  // namespace orb
