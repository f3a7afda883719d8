#pragma once
// The clipboard: an in-process object through which a host and the library
// exchange text and bitmaps. There is one per process, reached through
// Clipboard(); a host with a system clipboard copies between the two itself.
// Like a system clipboard it holds one content at a time: putting a text on
// it drops a bitmap held, and putting a bitmap drops the text.
//
//   kvl::Clipboard().SetAsText("1 2 3");
//   std::string s = kvl::Clipboard().AsText();   // "1 2 3"
//   kvl::Clipboard().SetBitmap(bmp);              // HasText() is false now
//
// Every member locks the object, so threads may use it concurrently.

#include <mutex>
#include <string>

#include "kvl/runtime/bitmap.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TClipboard: holds at most one text or one bitmap at a time.
class TClipboard {
 public:
  TClipboard() = default;
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  /// AsText: the text held, empty when the clipboard holds none.
  std::string AsText() const;
  /// SetAsText: replaces the clipboard's content by Text.
  void SetAsText(std::string Text);
  /// HasText: true when the clipboard holds a text (possibly empty).
  bool HasText() const;
  /// Bitmap: a copy of the bitmap held, empty when the clipboard holds none.
  TBitmap Bitmap() const;
  /// SetBitmap: replaces the clipboard's content by Value.
  void SetBitmap(TBitmap Value);
  /// HasBitmap: true when the clipboard holds a bitmap.
  bool HasBitmap() const;
  /// Clear: empties the clipboard.
  void Clear();

 private:
  mutable std::mutex lock_;
  std::string text_;
  bool hasText_ = false;
  TBitmap bitmap_;
  bool hasBitmap_ = false;
};

/// Clipboard: the process's clipboard.
TClipboard& Clipboard();

}  // namespace kvl

KVL_API_END
