/* The message catalogue: the one place its texts are written. The resource
   compiler includes this file for the string table of the Windows executable,
   and the POSIX build compiles it into a table, so both show the same words.
   Plain C preprocessor only: windres reads it too. */
#ifndef EMBARK_MESSAGE_TEXTS_H
#define EMBARK_MESSAGE_TEXTS_H

/* Each text stays whole on its line, as the resource compiler reads it. */
/* clang-format off */
#define EMBARK_MSG_WINDOWS_EXCEPTION "Windows exception: %s (errno = %d).\n"
#define EMBARK_MSG_JNI_EXCEPTION "JNI exception: %s\nReason: %s.\n"
#define EMBARK_MSG_JRE_NOT_FOUND_SERVER "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE with a server JVM (%s) from:"
#define EMBARK_MSG_JRE_NOT_FOUND "The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (%s) from:"
#define EMBARK_MSG_MODULE_PATH_FAILED "failed to get the module path"
#define EMBARK_MSG_NO_CLASS_PATH "Java Class Path was not specified in INI file."
#define EMBARK_MSG_NO_MAIN_CLASS "Main class was not specified in INI file."
#define EMBARK_MSG_MAIN_CLASS_LOAD_FAILED "Failed to load Main Class: %s.\n"
#define EMBARK_MSG_NO_CREATE_JAVA_VM "cannot find CreateJavaVM JNI"
#define EMBARK_MSG_CREATE_VM_FAILED "failed to create the Java VM"
#define EMBARK_MSG_BROWSE_TITLE "Browse for JRE folder"
#define EMBARK_MSG_MAIN_CLASS_NOT_FOUND "Could not find the main class %s.\n"
#define EMBARK_MSG_NO_MAIN_METHOD "No main method found in specified class.\n"
#define EMBARK_MSG_LATEST_VERSION "latest version"
#define EMBARK_MSG_MAXIMUM_VERSION "maximum version %s"
#define EMBARK_MSG_MINIMUM_VERSION "minimum version %s"
#define EMBARK_MSG_EXACT_VERSION "version %s is required"
#define EMBARK_MSG_VERSION_BETWEEN "version between %s and %s"
#define EMBARK_MSG_VM_LIBRARY_LOAD_FAILED "Failed to load Java VM library: %s (errno = %d).\n"
#define EMBARK_MSG_REASON_UNKNOWN "unknown"
#define EMBARK_MSG_REASON_DETACHED "thread detached from VM"
#define EMBARK_MSG_REASON_VERSION "JNI version error"
#define EMBARK_MSG_REASON_NO_MEMORY "not enough memory"
#define EMBARK_MSG_REASON_EXISTS "VM already created"
#define EMBARK_MSG_REASON_INVALID "invalid arguments"
#define EMBARK_MSG_NOT_STARTED_AS_SERVICE "This program runs as a Windows service: install it with sc create and start it with sc start, not from a console."
#define EMBARK_MSG_CLASS_PATH_ENTRY_NOT_FOUND "Class path entry not found: %s"
#define EMBARK_MSG_CLASS_NEEDS_NEWER_JAVA "The class needs Java %d; the runtime is Java %d."
#define EMBARK_MSG_LIBRARY_FOR_OTHER_PROCESSOR "%s is built for another processor: a 32-bit launcher needs a 32-bit Java, a 64-bit launcher a 64-bit Java."

/* id, text: expanded by the string table and by the POSIX catalogue. */
#define EMBARK_MESSAGE_CATALOGUE(ENTRY) \
    ENTRY(202, EMBARK_MSG_WINDOWS_EXCEPTION) \
    ENTRY(203, EMBARK_MSG_JNI_EXCEPTION) \
    ENTRY(206, EMBARK_MSG_JRE_NOT_FOUND_SERVER) \
    ENTRY(207, EMBARK_MSG_JRE_NOT_FOUND) \
    ENTRY(208, EMBARK_MSG_MODULE_PATH_FAILED) \
    ENTRY(209, EMBARK_MSG_NO_CLASS_PATH) \
    ENTRY(210, EMBARK_MSG_NO_MAIN_CLASS) \
    ENTRY(211, EMBARK_MSG_MAIN_CLASS_LOAD_FAILED) \
    ENTRY(212, EMBARK_MSG_NO_CREATE_JAVA_VM) \
    ENTRY(213, EMBARK_MSG_CREATE_VM_FAILED) \
    ENTRY(214, EMBARK_MSG_BROWSE_TITLE) \
    ENTRY(215, EMBARK_MSG_MAIN_CLASS_NOT_FOUND) \
    ENTRY(216, EMBARK_MSG_NO_MAIN_METHOD) \
    ENTRY(217, EMBARK_MSG_LATEST_VERSION) \
    ENTRY(218, EMBARK_MSG_MAXIMUM_VERSION) \
    ENTRY(219, EMBARK_MSG_MINIMUM_VERSION) \
    ENTRY(220, EMBARK_MSG_EXACT_VERSION) \
    ENTRY(221, EMBARK_MSG_VERSION_BETWEEN) \
    ENTRY(222, EMBARK_MSG_VM_LIBRARY_LOAD_FAILED) \
    ENTRY(225, EMBARK_MSG_REASON_UNKNOWN) \
    ENTRY(226, EMBARK_MSG_REASON_DETACHED) \
    ENTRY(227, EMBARK_MSG_REASON_VERSION) \
    ENTRY(228, EMBARK_MSG_REASON_NO_MEMORY) \
    ENTRY(229, EMBARK_MSG_REASON_EXISTS) \
    ENTRY(230, EMBARK_MSG_REASON_INVALID) \
    ENTRY(231, EMBARK_MSG_NOT_STARTED_AS_SERVICE) \
    ENTRY(232, EMBARK_MSG_CLASS_PATH_ENTRY_NOT_FOUND) \
    ENTRY(233, EMBARK_MSG_CLASS_NEEDS_NEWER_JAVA) \
    ENTRY(234, EMBARK_MSG_LIBRARY_FOR_OTHER_PROCESSOR)
/* clang-format on */

#endif
