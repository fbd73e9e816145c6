// The least a program that links Qt Core can do: load it and end. What it costs beside cat is the
// part of orvane's start that no code of ours can save.

#include <QtGlobal>

int main() {
    return qVersion() != nullptr ? 0 : 1;
}
