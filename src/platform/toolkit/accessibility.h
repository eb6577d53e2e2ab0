#pragma once

// Screen-reader descriptions for the controls Qt has none of its own for: link labels read and
// press as links, and the spin control reads and changes as a spin box.
namespace toolkit {

// Safe to call more than once.
void installAccessibility();

} // namespace toolkit
