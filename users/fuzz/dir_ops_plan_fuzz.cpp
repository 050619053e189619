#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "users/tests/dir_ops_model.h"

namespace {

// Names that meet in every way that matters: equal but for letter case, a
// name that "A&jouter" also gives ("Poste%d" of station 1 and 2), names the
// file system refuses, and plain ones to pass along.
const char* const kNames[] = {"anne", "Anne", "Bob", "bob", "Carl", "Poste2", "Poste3", "a:b", "..", "Zoe", "Marc", "ANNE"};
constexpr size_t kNameCount = sizeof kNames / sizeof kNames[0];

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Several users on station 0, as set-up and the import leave them.
uint16_t DecodeStation(uint8_t byte)
{
    return byte % 8 < 3 ? 0 : byte % 8;
}

dir_model::Scenario Decode(Input& in)
{
    dir_model::Scenario scenario;
    size_t count = in.Next() % 9;
    for (size_t i = 0; i < count; ++i) {
        // A name left empty (a table written by hand) is one more choice.
        uint8_t pick = in.Next() % (kNameCount + 1);
        std::string name = pick < kNameCount ? kNames[pick] : "";
        scenario.users.push_back({name, DecodeStation(in.Next())});
    }
    while (!in.Empty() && scenario.steps.size() < 32) {
        uint8_t kind = in.Next();
        dir_model::Step step;
        step.position = in.Next();
        uint8_t name = in.Next();
        // Name bytes past the pool mean no name: an add left as "Poste%d",
        // or a rename validated unchanged.
        step.name = name % (kNameCount + 2) < kNameCount ? kNames[name % (kNameCount + 2)] : "";
        switch (kind % 4) {
        case 0: step.kind = dir_model::Step::add; break;
        case 1: step.kind = dir_model::Step::rename; break;
        case 2: step.kind = dir_model::Step::cancel; break;
        case 3: step.kind = dir_model::Step::remove; break;
        }
        scenario.steps.push_back(step);
    }
    return scenario;
}

}  // namespace

// A starting table and the window's steps; the plan of "OK" carried out on a
// model file system and journal must lose no user's files, mix no two users'
// files, leave nothing of a deleted user and name every record after its
// user.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    dir_model::Scenario scenario = Decode(in);
    std::string fault = dir_model::CheckScenario(scenario);
    if (!fault.empty()) {
        std::fprintf(stderr, "dir_ops_plan_fuzz: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
