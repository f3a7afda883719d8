#include "kvl/runtime/clipboard.h"

#include <utility>

namespace kvl {

std::string TClipboard::AsText() const {
  std::lock_guard<std::mutex> guard(lock_);
  return text_;
}

void TClipboard::SetAsText(std::string Text) {
  std::lock_guard<std::mutex> guard(lock_);
  text_ = std::move(Text);
  hasText_ = true;
}

bool TClipboard::HasText() const {
  std::lock_guard<std::mutex> guard(lock_);
  return hasText_;
}

void TClipboard::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  text_.clear();
  hasText_ = false;
}

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}

}  // namespace kvl
