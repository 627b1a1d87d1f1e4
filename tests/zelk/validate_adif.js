// Reads ADIF files with tcadif, an ADIF library zelk does not share code
// with, and fails when one does not parse or loses a record.
'use strict';

const fs = require('fs');
const { ADIF } = require('tcadif');

let failed = false;
for (const file of process.argv.slice(2)) {
    // Lengths count bytes: read one character per byte.
    const text = fs.readFileSync(file, 'latin1');
    const records = (text.match(/<eor>/gi) || []).length;
    try {
        const qsos = ADIF.parse(text).toObject().qsos;
        if (qsos.length !== records) {
            throw new Error(`${qsos.length} contacts read of ${records} records`);
        }
        console.log(`${file}: ${qsos.length} contacts, valid ADIF`);
    } catch (error) {
        console.error(`${file}: ${error.message}`);
        failed = true;
    }
}
process.exit(failed ? 1 : 0);
