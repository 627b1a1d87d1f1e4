// The plug-ins under measurement, behind one interface: the core entry points
// on a module state with an in-memory platform, the baseline on the same, and
// the built library's exported functions.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "contacts.h"

namespace zelk::bench {

class Plugin {
  public:
    virtual ~Plugin() = default;
    virtual int Reset(int cabrilloWanted) = 0;
    virtual int Add(const ContactArgs& args) = 0;
    virtual int Remove(const ContactArgs& args) = 0;
    virtual int Check(const ContactArgs& args, char* referenceBuffer) = 0;
    virtual const char* Result(int* result) = 0;
    // Adds contacts that are all distinct, as a setup step.
    virtual void Fill(const ContactSet& contacts) {
        for (std::size_t i = 0; i < contacts.Size(); ++i) {
            Add(contacts.Args(contacts[i]));
        }
    }
};

// Every plug-in starts its runs with this station and reference file.
inline constexpr const char* kStation = "50N30O";

std::unique_ptr<Plugin> MakeIndexedPlugin(const std::string& referenceFile);
std::unique_ptr<Plugin> MakeBaselinePlugin(const std::string& referenceFile);
// The built library, run in a fresh folder of its own; null when it was not
// built or cannot be loaded (`why` says which).
std::unique_ptr<Plugin> MakeLibraryPlugin(const std::string& referenceFile, std::string& why);

}  // namespace zelk::bench
