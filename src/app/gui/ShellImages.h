#pragma once

namespace vestrel {

// Registers the program's pictures (":/images/..."), which live in a static library; each window that shows one
// calls this first. Calling it again does nothing.
void initShellImages();

} // namespace vestrel
