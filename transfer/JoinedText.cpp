#include "transfer/JoinedText.h"

std::string Joined(const std::vector<std::string>& items, std::string_view separator) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? std::string_view() : separator);
        text += items[i];
    }
    return text;
}

std::string Joined(const std::vector<int>& numbers, std::string_view separator) {
    std::vector<std::string> items;
    for (const int n : numbers) {
        items.push_back(std::to_string(n));
    }
    return Joined(items, separator);
}
