#pragma once

// Colours of the built-in theme that a Qt 5 style sheet cannot give. The
// style sheet's 'color' also paints a text field's placeholder, so the text
// fields take their text, placeholder and background colours from these
// palette roles instead.
namespace Theme {

inline constexpr char FieldTextColour[] = "#1F2D3D";
// The theme's muted text: 5.4:1 against the field background.
inline constexpr char PlaceholderColour[] = "#5B6B7F";
inline constexpr char FieldBackgroundColour[] = "#FFFFFF";

// Sets the roles Text, PlaceholderText and Base of the application palette
// (active and inactive). Call once the QApplication exists and before the
// first window is created.
void applyPalette();

} // namespace Theme
