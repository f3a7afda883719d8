#include "kvl/core/KVL_frame.h"

namespace kvl {

std::string FuncMessage(std::string_view Func, std::string_view Text) {
  std::string msg;
  msg.reserve(Func.size() + 2 + Text.size());
  msg.append(Func).append(": ").append(Text);
  return msg;
}

std::string ComponentMessage(const TComponent& Sender, std::string_view Text) {
  return MemberMessage(Sender, {}, Text);
}

std::string MemberMessage(const TComponent& Sender, std::string_view Member, std::string_view Text) {
  std::string msg = "Component \"";
  msg.append(Sender.Name());
  if (!Member.empty()) msg.append(".").append(Member);
  msg.append("\": ").append(Text);
  return msg;
}

std::string QuotedMessage(std::string_view Func, std::string_view Text, std::string_view Input) {
  std::string msg = FuncMessage(Func, Text);
  msg.append(" \"").append(Input).append("\"");
  return msg;
}

void RaiseDeprecated() { throw EKVLError(std::string(DeprecatedMessage)); }

}  // namespace kvl
