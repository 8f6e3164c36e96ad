#pragma once

namespace norvane {
class PRViewModel;
}

namespace norvane::ui {

// Shows six fixed sample pull requests in the engine (the debug mode's "Load Test Data"), four of them with
// unseen updates. Their seen snapshots are held in memory only: nothing of them reaches the preferences.
void loadSamplePullRequests(PRViewModel& model);

} // namespace norvane::ui
