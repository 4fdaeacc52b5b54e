#include "framework/CmdTarget.h"

const MessageMap CCmdTarget::kMessageMap{nullptr, {}};

namespace {
bool Covers(const MessageEntry& e, UINT id) { return id >= e.firstId && id <= e.lastId; }
}  // namespace

bool CCmdTarget::OnCmdMsg(UINT id, UINT code, CCmdUI* ui) {
  const MessageMap& map = GetMessageMap();
  if (ui) {
    const MessageEntry* rule =
        map.Find([id](const MessageEntry& e) { return e.kind == EntryKind::UpdateCommand && Covers(e, id); });
    if (rule) {
      rule->call(*this, id, reinterpret_cast<LPARAM>(ui));
      return true;
    }
    const MessageEntry* handler =
        map.Find([id](const MessageEntry& e) { return e.kind == EntryKind::Command && e.code == 0 && Covers(e, id); });
    if (!handler) return false;
    ui->Enable(true);
    return true;
  }
  const MessageEntry* handler = map.Find(
      [id, code](const MessageEntry& e) { return e.kind == EntryKind::Command && e.code == code && Covers(e, id); });
  if (!handler) return false;
  handler->call(*this, id, 0);
  return true;
}

bool CCmdUI::DoUpdate(CCmdTarget* target) {
  if (!target || !target->OnCmdMsg(id, 0, this)) Enable(false);
  return enabled;
}
