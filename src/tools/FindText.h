#pragma once

// The find text holds at most this many characters: the find dialog's field takes no more, and a
// longer selection presets it with its first ones.
constexpr int kMaxFindText = 255;
