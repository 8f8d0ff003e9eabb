#include "charts/Refresh.h"

#include "charts/ChartData.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace charts {
namespace {

bool running = false;
bool held = false;
std::vector<std::pair<RefreshFollower, void*>> followers;

}  // namespace

bool RefreshRunning() { return running; }

bool RefreshHeld() { return held; }

void HoldRefresh(bool hold) {
    held = false;
    if (hold) SetRefreshRunning(false);
    held = hold;
    if (!hold) SetRefreshRunning(true);
}

void SetRefreshRunning(bool on) {
    if (held) on = false;
    running = on;
    if (on) ClearComparisonFlags();
    // A follower may stop following while it hears the news (a window closing).
    const auto heard = followers;
    for (const auto& [follower, context] : heard) follower(context, on);
}

void FollowRefresh(RefreshFollower follower, void* context) {
    StopFollowingRefresh(context);
    followers.emplace_back(follower, context);
    follower(context, running);
}

void StopFollowingRefresh(void* context) {
    followers.erase(std::remove_if(followers.begin(), followers.end(),
                                   [context](const auto& entry) { return entry.second == context; }),
                    followers.end());
}

}  // namespace charts
