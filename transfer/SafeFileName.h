// Names from the sampler as parts of file and folder names.
#pragma once

#include <string>

// name with every character a file name had better not hold replaced by
// '_'; unnamed, as it is, when name is empty.
std::string SafeFileName(const std::string& name, const std::string& unnamed);
