#pragma once

namespace Trivane {
// Registers the compiled-in resources (style sheet, images, translations).
// They live in a static library, so the linker would drop them unless
// something references them: call this once before any widget is built.
void initResources();
}
