// Device names that several devices share get a suffix that tells them apart
// (a port's address, a driver's device number), since the program picks a
// device by its name.
#pragma once

#include <map>
#include <string>
#include <vector>

template <typename TDevice, typename TSuffix>
void MakeNamesUnique(std::vector<TDevice>& devices, std::string TDevice::*name, TSuffix suffix) {
    std::map<std::string, int> uses;
    for (const TDevice& device : devices) {
        ++uses[device.*name];
    }
    for (TDevice& device : devices) {
        if (uses[device.*name] > 1) {
            device.*name += " (" + suffix(device) + ")";
        }
    }
}
