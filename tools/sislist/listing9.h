#pragma once
// The lister's text for a Symbian 9 package, in the style of the pre-9 listing: the UID header
// and checksums, then each controller (the top one, then every embedded one in turn) with its
// info, languages, options, dependencies, properties, logo and its install block as it will
// run (files, conditions in script syntax, embedded packages), then the signatures and every
// check. A pure function of its inputs.

#include <string>
#include <vector>

#include "src/sis9/signature_report.h"
#include "src/sis9/sis9_reader.h"
#include "src/sis9/sis9_verify.h"

namespace tovrin::sislist {

std::string formatListing9(const sis9::Package& package, const sis9::Verification& verification,
                           const std::vector<sis9::ChainResult>& chains);

// "1.2.3", with "*" for a component stored as -1.
std::string versionText(const sis9::Version& v);

// The script's code of an install type ("SA") or "type <n>".
std::string installTypeName(uint8_t type);

}  // namespace tovrin::sislist
