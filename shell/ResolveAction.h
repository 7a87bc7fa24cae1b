// The Parse action, bound to the click of 按钮2: reads the share address from
// 编辑框2 and shows the download address and the file's facts.
#pragma once

void ResolveShareLink();
