#pragma once

// Screen-reader descriptions for the controls Qt has none of its own for: link labels read and
// press as links, the spin control reads and changes as a spin box, and the panels that hold a
// text box's editor or other controls read as panels.
namespace toolkit {

// Safe to call more than once.
void installAccessibility();

} // namespace toolkit
