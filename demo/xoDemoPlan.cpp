// Reading the sample plan: a small JSON reader for the generator's output.
#include "demo/xoDemoPlan.h"

#include "platform/plDateUtils.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>

extern const char* const kDemoPlanJson;

namespace {

struct TJson {
    enum TKind { jNull, jBool, jNumber, jString, jArray, jObject } Kind = jNull;
    double Number = 0;
    String Text;
    std::vector<TJson> Items;
    std::map<String, TJson> Fields;

    const TJson& operator[](const String& aName) const {
        static const TJson none;
        auto it = Fields.find(aName);
        return it == Fields.end() ? none : it->second;
    }
    int Int() const { return int(Number); }
};

class TJsonReader {
public:
    explicit TJsonReader(const char* aText) : p(aText) {}

    TJson Document() {
        TJson v = Value();
        Space();
        if (*p) Fail();
        return v;
    }

private:
    [[noreturn]] void Fail() { throw Exception("The sample plan is not valid JSON"); }
    void Space() {
        while (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t')
            ++p;
    }
    void Expect(char c) {
        Space();
        if (*p != c) Fail();
        ++p;
    }
    TJson Value() {
        Space();
        TJson v;
        switch (*p) {
        case '{':
            ++p;
            v.Kind = TJson::jObject;
            Space();
            if (*p == '}') {
                ++p;
                return v;
            }
            for (;;) {
                Space();
                String name = StringValue();
                Expect(':');
                v.Fields[name] = Value();
                Space();
                if (*p == ',') {
                    ++p;
                    continue;
                }
                Expect('}');
                return v;
            }
        case '[':
            ++p;
            v.Kind = TJson::jArray;
            Space();
            if (*p == ']') {
                ++p;
                return v;
            }
            for (;;) {
                v.Items.push_back(Value());
                Space();
                if (*p == ',') {
                    ++p;
                    continue;
                }
                Expect(']');
                return v;
            }
        case '"':
            v.Kind = TJson::jString;
            v.Text = StringValue();
            return v;
        case 't':
        case 'f':
        case 'n': {
            const char* word = *p == 't' ? "true" : *p == 'f' ? "false" : "null";
            for (const char* w = word; *w; ++w, ++p)
                if (*p != *w) Fail();
            v.Kind = *word == 'n' ? TJson::jNull : TJson::jBool;
            v.Number = *word == 't' ? 1 : 0;
            return v;
        }
        default: {
            char* end = nullptr;
            v.Number = std::strtod(p, &end);
            if (end == p) Fail();
            p = end;
            v.Kind = TJson::jNumber;
            return v;
        }
        }
    }
    String StringValue() {
        if (*p != '"') Fail();
        ++p;
        String s;
        while (*p && *p != '"') {
            if (*p == '\\') {
                ++p;
                switch (*p) {
                case 'n':
                    s += '\n';
                    break;
                case 't':
                    s += '\t';
                    break;
                case 'u': {
                    // The generator writes ASCII only; other escapes become '?'.
                    for (int i = 0; i < 4 && p[1]; ++i)
                        ++p;
                    s += '?';
                    break;
                }
                default:
                    if (!*p) Fail();
                    s += *p;
                    break;
                }
                ++p;
            } else {
                s += *p++;
            }
        }
        if (*p != '"') Fail();
        ++p;
        return s;
    }
    const char* p;
};

TDateTime IsoDate(const TJson& v) {
    const String& s = v.Text;
    if (v.Kind != TJson::jString || s.size() != 10) throw Exception("The sample plan has a malformed date");
    return EncodeDate(std::atoi(s.substr(0, 4).c_str()), std::atoi(s.substr(5, 2).c_str()),
                      std::atoi(s.substr(8, 2).c_str()));
}

} // namespace

int TDemoPlan::Count(TDemoTaskType aType) const {
    return int(
        std::count_if(Tasks.begin(), Tasks.end(), [&](const TDemoTask& t) { return t.Type == aType; }));
}

TDemoPlan ParseDemoPlan(const char* aJson) {
    TJson doc = TJsonReader(aJson ? aJson : "").Document();
    TDemoPlan plan;
    for (const TJson& t : doc["tasks"].Items) {
        TDemoTask task;
        task.Id = t["id"].Int();
        task.Parent = t["parent"].Int();
        task.Text = t["text"].Text;
        const String& type = t["type"].Text;
        task.Type = type == "summary" ? dttSummary : type == "milestone" ? dttMilestone : dttTask;
        task.Start = IsoDate(t["start"]);
        task.Finish = IsoDate(t["finish"]);
        task.End = IsoDate(t["end"]);
        task.DurationDays = t["duration_days"].Int();
        if (task.Id != int(plan.Tasks.size()) + 1 || task.Parent < 0 || task.Parent >= task.Id)
            throw Exception("The sample plan's rows are out of order");
        task.Depth = task.Parent ? plan.Tasks[size_t(task.Parent - 1)].Depth + 1 : 0;
        plan.Tasks.push_back(task);
    }
    for (const TJson& l : doc["links"].Items)
        plan.Links.push_back(TDemoLink{l["source"].Int(), l["target"].Int()});
    if (!plan.Tasks.empty()) {
        plan.First = plan.Tasks.front().Start;
        plan.Last = plan.Tasks.front().End;
        for (const TDemoTask& t : plan.Tasks) {
            plan.First = std::min(plan.First, t.Start);
            plan.Last = std::max(plan.Last, t.End);
        }
    }
    return plan;
}

const TDemoPlan& DemoPlan() {
    static const TDemoPlan plan = ParseDemoPlan(kDemoPlanJson);
    return plan;
}
