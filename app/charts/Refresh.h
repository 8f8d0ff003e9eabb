// Whether the once-a-second refresh runs: one state, which the live counter window's Update button
// and the chart window's Update button both show, and which every pause (either Update button, a
// download) goes through. GUI thread only.
//
// Each window that refreshes follows the state: it hears every change (and, when it starts to
// follow, the state as it is) and starts or stops its timer and sets its button to match.
#pragma once

namespace charts {

bool RefreshRunning();
// Back to running also ends any comparison of two samples: the charts go live. While the refresh
// is held, nothing starts it: the followers hear it stays stopped.
void SetRefreshRunning(bool running);
// A download holds the refresh stopped until it ends (either Update button pressed meanwhile
// changes nothing); released, the refresh runs again.
void HoldRefresh(bool held);
bool RefreshHeld();

using RefreshFollower = void (*)(void* context, bool running);
void FollowRefresh(RefreshFollower follower, void* context);
void StopFollowingRefresh(void* context);

}  // namespace charts
