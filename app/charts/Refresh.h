// Whether the once-a-second refresh runs: one state, which the live counter window's Update button
// and the chart window's Update button both show, and which every pause (either Update button, a
// download) goes through. GUI thread only.
//
// Each window that refreshes follows the state: it hears every change (and, when it starts to
// follow, the state as it is) and starts or stops its timer and sets its button to match.
#pragma once

namespace charts {

bool RefreshRunning();
// Back to running also ends any comparison of two samples: the charts go live.
void SetRefreshRunning(bool running);

using RefreshFollower = void (*)(void* context, bool running);
void FollowRefresh(RefreshFollower follower, void* context);
void StopFollowingRefresh(void* context);

}  // namespace charts
