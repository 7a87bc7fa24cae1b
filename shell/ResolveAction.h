// The Parse action, bound to the click of 按钮2: reads the share address from
// 编辑框2, resolves it, and shows the download address in 编辑框5 and the
// file's facts in the four transparent labels:
//   透明标签1  the file name          透明标签3  "更新时间：" and the share time
//   透明标签2  "文件大小：" and size   透明标签4  "分享者：" and the sharer
// Both web exchanges run on the calling (GUI) thread and block it.
#pragma once

void ResolveShareLink();
