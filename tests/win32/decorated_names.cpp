// The ten entry points declared as the host's C++ headers declare them: the
// plug-in's own parameter lists (contest/plugin_abi.h) with the host's
// ATL::COleDateTime in place of the date-time layout, and the function names
// that the decorated exports carry. Compiled for the MSVC ABI only to read the
// decorated names off the object file; nothing here is linked or run.
#include "contest/plugin_abi.h"

namespace ATL {
class COleDateTime;
}

#undef ZELK_DT
#define ZELK_DT ATL::COleDateTime*

int GetNumberOfSets();
const char* GetSetName(int);
void SetupSet0();
int ResetStats0(ZELK_RESET_PARAMS);
int AddData0(ZELK_DATA_PARAMS);
int RemoveData0(ZELK_DATA_PARAMS);
const char* GetResult0(int*);
int CheckCallFunc0(ZELK_CHECKCALL_PARAMS);
int StatsGetExchgCount0(ZELK_S, ZELK_S, ZELK_S);
int StatsIsValidExchg0(ZELK_S, ZELK_S, ZELK_S, ZELK_S, int, int, int);

// Referencing every function puts its decorated name into the symbol table.
extern void* const kEntryPoints[];
void* const kEntryPoints[] = {reinterpret_cast<void*>(&GetNumberOfSets),
                              reinterpret_cast<void*>(&GetSetName),
                              reinterpret_cast<void*>(&SetupSet0),
                              reinterpret_cast<void*>(&ResetStats0),
                              reinterpret_cast<void*>(&AddData0),
                              reinterpret_cast<void*>(&RemoveData0),
                              reinterpret_cast<void*>(&GetResult0),
                              reinterpret_cast<void*>(&CheckCallFunc0),
                              reinterpret_cast<void*>(&StatsGetExchgCount0),
                              reinterpret_cast<void*>(&StatsIsValidExchg0)};
