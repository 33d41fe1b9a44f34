#pragma once
// comctl32, bound when a window first needs one of its controls (the tooltip, the tree view,
// the progress bar). Loading it at start would delay the wizard, whose first page uses none of
// them. It stays loaded: its window classes must outlive every window made from them.

// Registers the common control classes on the first call; false when comctl32 cannot be bound.
bool EnsureCommonControls();
