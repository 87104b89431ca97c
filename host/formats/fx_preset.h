// VST 2 preset files as hosts write them: one program (.fxp) or a bank of all
// programs (.fxb) in a big-endian "CcnK" container. A plug-in without program
// chunks is saved as parameter values ("FxCk" programs, "FxBk" banks), one with
// them as its chunk ("FPCh", "FBCh").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/formats/hosted_vst2.h"

namespace tav {

// The current program, or every program (the current one stays selected).
std::vector<std::uint8_t> SaveFx(HostedVst2& plugin, FxFile file);

// The reverse on a VST 2 module: effSetChunk for chunk files; else the values
// through setParameter and the names through effSetProgramName, each program of
// a bank selected in turn. Refuses another plug-in's file, and a damaged one,
// before anything is applied.
bool LoadFx(HostedVst2& plugin, FxFile file, const std::vector<std::uint8_t>& bytes,
            std::string* error);

// Whether bytes hold that kind of file, judged by its header alone.
bool CheckFxFile(FxFile file, const std::vector<std::uint8_t>& bytes, std::string* error);

}  // namespace tav
