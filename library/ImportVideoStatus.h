#pragma once

// The result of importing one file.
enum class ImportVideoStatus {
    complete = 0, // the record was stored
    failure = 1,  // the file is not a usable video, or it could not be read, copied or stored
    isExist = 2,  // a video with the same sign is already in the library
};
