// The Escape poll of long analysis commands.
#pragma once

namespace kelvora {

class Ui;

// Takes one pending event through the port; when it was Escape, asks
// "「ESCキー」が押されました。\n解析キャンセルしますか？　\n". True when the user confirmed the
// cancel.
bool PollAnalysisCancel(Ui& ui);

}  // namespace kelvora
