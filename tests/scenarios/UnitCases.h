// Unit cases: each line "kind input" of a block's expectation is run again and followed by its
// output lines, so that the whole text can be compared with the block.
#pragma once

#include <string>

std::string ReplayCases(const std::string& cases);
