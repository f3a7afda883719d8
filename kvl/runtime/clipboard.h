#pragma once
// The clipboard: an in-process object through which a host and the library
// exchange text (and, once the image types exist, bitmaps). There is one per
// process, reached through Clipboard(); a host with a system clipboard
// copies between the two itself.
//
//   kvl::Clipboard().SetAsText("1 2 3");
//   std::string s = kvl::Clipboard().AsText();   // "1 2 3"
//
// Every member locks the object, so threads may use it concurrently.

#include <mutex>
#include <string>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TClipboard: holds at most one text at a time.
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
  /// Clear: empties the clipboard.
  void Clear();

 private:
  mutable std::mutex lock_;
  std::string text_;
  bool hasText_ = false;
};

/// Clipboard: the process's clipboard.
TClipboard& Clipboard();

}  // namespace kvl

KVL_API_END
