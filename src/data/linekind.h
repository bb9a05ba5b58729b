#pragma once

#include <array>

// Allowance and deduction lines differ only in names and texts.
enum class LineKind { Allowance, Deduction };

inline constexpr std::array<LineKind, 2> kLineKinds{LineKind::Allowance, LineKind::Deduction};
