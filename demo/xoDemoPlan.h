// The demo's sample plan: a tree of phases, work packages, tasks and milestones with dates
// on a working-day calendar, and finish-to-start links.
#pragma once

#include "platform/plTypes.h"

#include <vector>

enum TDemoTaskType { dttSummary, dttTask, dttMilestone };

struct TDemoTask {
    int Id = 0;
    int Parent = 0; // 0: top level
    int Depth = 0;  // 0 for top-level rows
    String Text;
    TDemoTaskType Type = dttTask;
    TDateTime Start = 0;  // first working day
    TDateTime Finish = 0; // last working day
    TDateTime End = 0;    // the day after Finish (milestones: Start)
    int DurationDays = 0; // working days
};

struct TDemoLink {
    int Source = 0; // task ids
    int Target = 0;
};

struct TDemoPlan {
    std::vector<TDemoTask> Tasks; // in row order; Tasks[i].Id == i + 1
    std::vector<TDemoLink> Links;
    TDateTime First = 0; // earliest start
    TDateTime Last = 0;  // latest end
    int Count(TDemoTaskType aType) const;
};

// Reads a plan in the sample format (gen_plan.py's JSON); raises Exception when the text is
// not such a plan.
TDemoPlan ParseDemoPlan(const char* aJson);
// The plan compiled into the demo.
const TDemoPlan& DemoPlan();
