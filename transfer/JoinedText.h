// Lists as text: items one after another with a separator between them,
// as the reports and the command-line tool write them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

std::string Joined(const std::vector<std::string>& items, std::string_view separator);
std::string Joined(const std::vector<int>& numbers, std::string_view separator);
