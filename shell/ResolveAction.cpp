#include "shell/ResolveAction.h"

#include "resolve/Resolve.h"
#include "shell/ControlText.h"

void ResolveShareLink() {
  // An empty box stops here: nothing is requested and nothing changes. Any
  // other text, blanks included, goes on as it is.
  if (CompareText(GetControlText("编辑框2"), "") == 0) return;
  Resolution result = ResolveShareAddress(GetControlText("编辑框2"));

  // All five are written every time, an empty value included: a missing fact
  // shows its bare prefix.
  SetControlText("编辑框5", result.link);
  SetControlText("透明标签1", result.facts.fileName);
  SetControlText("透明标签2", ConcatText("文件大小："_cp936, result.facts.fileSize));
  SetControlText("透明标签3", ConcatText("更新时间："_cp936, result.facts.shareTime));
  SetControlText("透明标签4", ConcatText("分享者："_cp936, result.facts.sharer));
}
