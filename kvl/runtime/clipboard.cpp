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
  bitmap_ = TBitmap();
  hasBitmap_ = false;
}

bool TClipboard::HasText() const {
  std::lock_guard<std::mutex> guard(lock_);
  return hasText_;
}

TBitmap TClipboard::Bitmap() const {
  std::lock_guard<std::mutex> guard(lock_);
  return bitmap_;
}

void TClipboard::SetBitmap(TBitmap Value) {
  std::lock_guard<std::mutex> guard(lock_);
  bitmap_ = std::move(Value);
  hasBitmap_ = true;
  text_.clear();
  hasText_ = false;
}

bool TClipboard::HasBitmap() const {
  std::lock_guard<std::mutex> guard(lock_);
  return hasBitmap_;
}

void TClipboard::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  text_.clear();
  hasText_ = false;
  bitmap_ = TBitmap();
  hasBitmap_ = false;
}

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}

}  // namespace kvl
