#pragma once

// The lengths, in characters, at which the text model and the layout treat a paragraph (one of
// Qt's blocks) differently. Each is one decision; they are kept together so that their sizes can
// be read against one another.
namespace SizeLimits {

// A paragraph longer than this is held as several blocks, its pieces (ParagraphPieces): Qt lays
// a block out whole after every change to it.
inline constexpr int kPiecedParagraph = 32768;
// The length a paragraph in pieces is cut to.
inline constexpr int kPieceLength = 2048;
// A piece that typing or pasting makes longer than this is cut again.
inline constexpr int kLongPiece = 2 * kPieceLength;

// A key in a block longer than this shows the busy cursor while it is handled.
inline constexpr int kBusyParagraph = 100000;
// A block longer than this gets evenly spaced tab stops (ParagraphLines).
inline constexpr int kEvenTabsParagraph = 100000;
// A block longer than this keeps Qt's analysis of its text between layouts and draws
// (DocumentLayout).
inline constexpr int kKeptAnalysisLength = 2000;
// A block longer than this is not measured in idle time, which would hold up the user's next
// event: it is laid out when shown (DocumentLayout).
inline constexpr int kSettledLength = 20000;

} // namespace SizeLimits
