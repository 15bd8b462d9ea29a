/* Ids of the missing-runtime dialog and its controls, and the address it links
   to. Plain C preprocessor only: windres reads it too. */
#ifndef EMBARK_DIALOG_RESOURCES_H
#define EMBARK_DIALOG_RESOURCES_H

#define EMBARK_DIALOG_MISSING_RUNTIME 201

#define EMBARK_CONTROL_RUNTIME_PATH 201
#define EMBARK_CONTROL_BROWSE 202
#define EMBARK_CONTROL_MESSAGE 203
#define EMBARK_CONTROL_ICON 204
#define EMBARK_CONTROL_ADDRESS 205
#define EMBARK_CONTROL_BROWSE_HINT 206

#define EMBARK_JAVA_DOWNLOAD_ADDRESS "https://adoptium.net/temurin/releases/"

#endif
