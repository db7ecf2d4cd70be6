#include "launcher/main_form.h"

int main() { return launcher::RunApplication(); }
