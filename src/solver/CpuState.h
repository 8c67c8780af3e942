#pragma once

namespace vestrel::solver {

// Work elsewhere in the process (the run's database calls do) can leave the upper halves of the 256-bit vector
// registers marked in use. Until they are cleared, the processor makes every SSE instruction of the search
// depend on them and the same search runs about 1.5 times slower, depending only on what ran before. Clearing
// them costs one instruction; the solvers do it per model, the run after its database work.
void ClearUpperVectorHalves();

} // namespace vestrel::solver
