#pragma once
// Helpers of the analysis tests: vectors from lists, and the small reference
// tables under tests/data/YLib (whitespace-separated columns, '#' lines are
// comments, the first column may be a label).

#include "YLib/YDoubleVec.h"

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline YDoubleVec Vec(const std::vector<double>& x) {
    YDoubleVec v(int(x.size()));
    for (int i = 0; i < v.Size(); ++i) v[i] = x[size_t(i)];
    return v;
}

struct TableRow {
    std::string label;            // the first column as text
    std::vector<double> numbers;  // every column read as a number (the label too, where it is one)
};

inline std::vector<TableRow> ReadTable(const std::string& name) {
    std::vector<TableRow> rows;
    std::ifstream in(std::string(SONBEX_TEST_DATA) + "/YLib/" + name);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        fields.imbue(std::locale::classic());
        TableRow row;
        std::string field;
        while (fields >> field) {
            if (row.label.empty()) row.label = field;
            std::istringstream number(field);
            number.imbue(std::locale::classic());
            double x = 0.0;
            number >> x;
            row.numbers.push_back(x);
        }
        rows.push_back(row);
    }
    return rows;
}
