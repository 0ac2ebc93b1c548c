#pragma once

#include <QtGlobal>

namespace platform {
class Clock;
class Dialogs;
class PrinterFactory;
}  // namespace platform

namespace registro_ui {

// The module's file, beside the program, and the one function it exports:
// registro_ui::runTeacherWindow.
inline constexpr char kTeacherModuleFile[] = "aritmetica-registro.so";
inline constexpr char kTeacherModuleEntry[] = "aritmetica_teacher_window";
using TeacherModuleEntry = int (*)(platform::PrinterFactory*, platform::Clock*, platform::Dialogs*);

}  // namespace registro_ui
