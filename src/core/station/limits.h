// Sizes the whole station shares: the battery's cells, a procedure's steps and the
// procedure's auxiliary variables.
#pragma once

namespace kapsorel {

constexpr int kCellCount = 20;
constexpr int kMaxSteps = 200;
constexpr int kAuxVariableCount = 10;

} // namespace kapsorel
